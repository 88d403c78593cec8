#pragma once

class QWidget;

namespace vantrel {

// Lets an editor started while it lives come to the front on X11, where window managers that
// prevent focus stealing would leave it behind the window: DESKTOP_STARTUP_ID, which the editor
// inherits, carries the time of the user's last input to window, and the window manager takes
// that as the time the user asked for the editor. The destructor removes the variable again.
// Elsewhere it does nothing: on Wayland only the compositor hands out the focus.
class EditorActivation {
 public:
  explicit EditorActivation(QWidget& window);
  ~EditorActivation();
  EditorActivation(const EditorActivation&) = delete;
  EditorActivation& operator=(const EditorActivation&) = delete;

 private:
  bool m_set = false;
};

}  // namespace vantrel
