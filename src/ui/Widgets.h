// Small building blocks shared by the workbench's pages: the framed value box, the
// indicator light (a graphical check box the user cannot toggle and that never takes the
// focus), a level lamp and a clickable picture. They carry no behaviour of their own.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <functional>

namespace gw {

// A read-only value: sunken, white, right-aligned, of a fixed size that fits values of the
// form of its first text.
QLabel* MakeValueBox(const QString& text, const QString& objectName, QWidget* parent = nullptr);
QLabel* MakeLabel(const QString& text, const QString& objectName, QWidget* parent = nullptr);

// An indicator light: ticked (shadow colour) or not (button face).
class Light : public QPushButton {
public:
    Light(const QString& caption, const QString& objectName, QWidget* parent = nullptr);
    void SetOn(bool on);
    bool IsOn() const { return isChecked(); }
};

// A round lamp (the gas level lights).
class Lamp : public QWidget {
public:
    explicit Lamp(const QString& objectName, QWidget* parent = nullptr);
    void SetOn(bool on);
    bool IsOn() const { return on_; }
    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool on_ = false;
};

// A picture that reports presses and releases (the logos).
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(const QString& objectName, QWidget* parent = nullptr);

signals:
    void pressed();
    void released();

protected:
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
};

}  // namespace gw
