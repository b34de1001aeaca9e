#include "ui/QtText.h"

#include <QApplication>
#include <QPalette>
#include <QStringDecoder>
#include <QWidget>

namespace gw {

QString ToQ(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return s;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQ(const QString& text) { return text.toStdString(); }

QColor ColorOf(std::uint32_t value) {
    if (value & 0x80000000u) {
        const QPalette p = QApplication::palette();
        switch (value & 0xFF) {
            case 0x10: return p.color(QPalette::Dark);    // button shadow
            case 0x12: return p.color(QPalette::ButtonText);
            default: return p.color(QPalette::Button);    // button face and the rest
        }
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void SetColors(QWidget* w, const QColor& back, const QColor& fore) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::Base, back);
    p.setColor(QPalette::WindowText, fore);
    p.setColor(QPalette::Text, fore);
    w->setAutoFillBackground(true);
    w->setPalette(p);
}

}  // namespace gw
