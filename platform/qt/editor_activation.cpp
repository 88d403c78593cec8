#include "editor_activation.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {
namespace {

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data());
  const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The one 32-bit value of a window's property, if it has one.
std::optional<std::uint32_t> CardinalProperty(xcb_connection_t* connection, xcb_window_t window,
                                              xcb_atom_t property, xcb_atom_t type) {
  if (property == XCB_ATOM_NONE) return std::nullopt;
  const XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, window, property, type, 0, 1), nullptr),
      &std::free);
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4) {
    return std::nullopt;
  }
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

// The X server time of the user's last input to window, which Qt keeps in _NET_WM_USER_TIME,
// on the window itself or on the helper window _NET_WM_USER_TIME_WINDOW names.
std::optional<std::uint32_t> LastUserTime(QWidget& window) {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return std::nullopt;
  xcb_connection_t* connection = x11->connection();
  auto id = static_cast<xcb_window_t>(window.winId());
  if (const auto helper = CardinalProperty(
          connection, id, Atom(connection, "_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW)) {
    id = *helper;
  }
  const auto time =
      CardinalProperty(connection, id, Atom(connection, "_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL);
  if (!time || *time == 0) return std::nullopt;
  return time;
}

}  // namespace

EditorActivation::EditorActivation(QWidget& window) {
  const std::optional<std::uint32_t> time = LastUserTime(window);
  if (!time) return;
  const std::string id =
      "vantrel-" + std::to_string(getpid()) + "-editor_TIME" + std::to_string(*time);
  m_set = setenv("DESKTOP_STARTUP_ID", id.c_str(), 1) == 0;
}

EditorActivation::~EditorActivation() {
  if (m_set) unsetenv("DESKTOP_STARTUP_ID");
}

}  // namespace vantrel
