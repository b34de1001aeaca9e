// SyncWidgets: small helpers the windows use to copy their logic's state into
// widgets, touching a widget only when what it shows differs (no flicker, no change
// signals for values that stayed the same). No behaviour of their own.
#pragma once

#include <QAbstractSlider>
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <string>
#include <vector>

#include "ui/QtText.h"

namespace gw {

// Screen measures of the designed layouts are in twips.
inline constexpr int kTwipsPerPixel = 15;

namespace sync {

inline void Text(QLabel* w, const std::string& s) {
    const QString q = ToQ(s);
    if (w->text() != q) w->setText(q);
}
inline void Text(QLineEdit* w, const std::string& s) {
    const QString q = ToQ(s);
    if (w->text() != q) w->setText(q);
}
inline void Text(QAbstractButton* w, const std::string& s) {
    const QString q = ToQ(s);
    if (w->text() != q) w->setText(q);
}
inline void Text(QLabel* w, const QString& q) {
    if (w->text() != q) w->setText(q);
}
// Shown or hidden as asked, whatever the parent's own visibility.
inline void Shown(QWidget* w, bool on) {
    if (w->isHidden() == on) w->setVisible(on);
}
inline void Title(QWidget* w, const std::string& s) {
    const QString q = ToQ(s);
    if (w->windowTitle() != q) w->setWindowTitle(q);
}
// The list's items and selection, with its signals held back.
inline void Items(QComboBox* w, const std::vector<std::string>& items, int selected) {
    const QSignalBlocker block(w);
    bool same = w->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < w->count(); ++i) same = w->itemText(i) == ToQ(items[static_cast<size_t>(i)]);
    if (!same) {
        w->clear();
        for (const auto& s : items) w->addItem(ToQ(s));
    }
    const int sel = selected >= 0 && selected < w->count() ? selected : -1;
    if (w->currentIndex() != sel) w->setCurrentIndex(sel);
}
inline void Value(QAbstractSlider* w, int v) {
    const QSignalBlocker block(w);
    if (w->value() != v) w->setValue(v);
}
inline void Checked(QAbstractButton* w, bool on) {
    const QSignalBlocker block(w);
    if (w->isChecked() != on) w->setChecked(on);
}

}  // namespace sync
}  // namespace gw
