// Conversions between the platform's text and Qt's. Internal to the Qt backend.
#pragma once

#include <QString>

#include "ui/platform/platform.h"

namespace platform::qt {

inline QString toQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Names in the layout table are ASCII.
inline QString toQString(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline Text fromQString(const QString& text) {
  return Text(reinterpret_cast<const char16_t*>(text.utf16()),
              static_cast<std::size_t>(text.size()));
}

// Names on POSIX are bytes, UTF-8 by convention; what is not valid shows as U+FFFD.
inline QString fromNative(NameList::Name name) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace platform::qt
