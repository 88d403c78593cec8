#include "resources.h"

#include "resource_ids.h"

// The resources live in a static library, so they are registered by hand before first use.
static void InitVantrelResources() {
  Q_INIT_RESOURCE(vantrel);
}

namespace vantrel {

QIcon ApplicationIcon() {
  InitVantrelResources();
  QIcon icon;
  for (const char* size : {"16", "32", "48"}) {
    icon.addFile(
        QStringLiteral(":/%1/%2.png").arg(QLatin1String(IDR_MAINFRAME.name), QLatin1String(size)));
  }
  return icon;
}

}  // namespace vantrel
