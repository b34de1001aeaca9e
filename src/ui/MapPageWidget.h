// The Map page (tab 2): the plot of the petrol and gas samples, the "Tuning" frame (speed
// range, clear model, read, auto tuning, clear petrol, clear gas, compute) and the map file
// buttons. It shows the page core's record and enabling and forwards every click to it;
// the file dialogs and message boxes are its only own work.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "app/MainCaptions.h"
#include "app/MapPage.h"
#include "ui/MapPlot.h"
#include "util/Host.h"

namespace gw {

class MapPageWidget : public QWidget {
public:
    // appFolder: where the file dialogs start.
    MapPageWidget(MapPage& core, Host& host, std::string appFolder, QWidget* parent = nullptr);

    void ApplyCaptions(const MainCaptions& c, const std::vector<std::string>& own, const std::string& title);
    // Copies the core's record, enabling and speed range into the controls.
    void Show();
    // Asks for a file, then loads or saves it (the dialogs can be replaced, e.g. by a test).
    std::function<std::string(bool save)> chooseFile;
    void CmdMapOpen_Click();
    void CmdMapSave_Click();

    MapPlot* Plot;
    QGroupBox* FrmMapTuning;
    QLabel* LblShoRpm;
    QComboBox* CmbShoRpm;
    QPushButton* CmdShpMapMod;
    QPushButton* CmdMapRead;
    QCheckBox* ChkAbilAcqVacum;
    QPushButton* CmdMapClrPet;
    QPushButton* CmdMapClrGas;
    QPushButton* CmdMapCompute;
    QPushButton* CmdMapOpen;
    QPushButton* CmdMapSave;

private:
    std::string ChooseFile(bool save);

    MapPage& core_;
    Host& host_;
    std::string appFolder_;
    std::string notSaved_ = "The map file was not saved:";
    bool filling_ = false;
    Connection changed_;
};

}  // namespace gw
