#include "desktop/text.h"

#include <QList>

#include "platform/cp1252.h"

namespace gildex::desktop {

QString FromVb(std::string_view bytes) { return QString::fromStdString(cp1252::ToUtf8(bytes)); }

std::string ToVb(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (char32_t code_point : text.toUcs4()) bytes += cp1252::FromUnicode(code_point).value_or('?');
  return bytes;
}

}  // namespace gildex::desktop
