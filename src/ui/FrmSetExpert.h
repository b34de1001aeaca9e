// FrmSetExpert: the expert settings window (non-modal). Its controls are made from
// ExpertLogic's layout (designed geometry in twips, containers, visibility, captions) and
// refreshed from the logic's lists, boxes and texts; the password box, lists, check
// boxes, text boxes and the two buttons forward to the logic. Key presses other than Enter
// in the boxes do nothing (Esc does not close it).
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include "app/ExpertLogic.h"

class QComboBox;
class QCheckBox;
class QLineEdit;

namespace gw {

class FrmSetExpert : public QDialog {
public:
    FrmSetExpert(QWidget* parent, ParameterImage& image, const ClsLingue& lingue, const std::string& appFolder);

    // Loads the window afresh (small, password box empty) and shows it.
    void Open();
    ExpertLogic& Logic() { return logic_; }
    void Sync();
    // The widget made for a control of the layout ("Name" or "Name(i)").
    QWidget* Control(const QString& key) const { return widgets_.value(key); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Build();
    static QString Key(const LayoutControl& c);

    ExpertLogic logic_;
    QHash<QString, QWidget*> widgets_;
    int shownWidth_ = 0, shownHeight_ = 0;
    bool syncing_ = false;
};

}  // namespace gw
