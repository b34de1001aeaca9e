// Conversions between the core's texts and colours and Qt's: texts from the dictionary and
// the files (UTF-8, or the single-byte code page when they are not valid UTF-8), and colour
// values written &HBBGGRR, including the system button-face colour. Nothing else.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>

class QWidget;

namespace gw {

QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

// &HBBGGRR to a colour; the system colour values (high bit set) map to the palette.
QColor ColorOf(std::uint32_t value);
// Background and text colour of a widget (its palette, autofilled).
void SetColors(QWidget* w, const QColor& back, const QColor& fore);

}  // namespace gw
