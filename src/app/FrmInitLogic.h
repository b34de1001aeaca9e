#pragma once

#include <string>

namespace gw {

// The small waiting window shown while the port is searched or the ECU's data are first
// read: which message, whether it shows, and its moving marker.
class FrmInitLogic {
public:
    // type0Text: the first dictionary entry after "[FrmInit]".
    explicit FrmInitLogic(std::string type0Text = {});

    // On every display tick. offLine: the user chose off-line; searchRunning: a port search;
    // dataToRead: the ECU's data are still to be read after a (re)connection.
    void ElaboraMsgCom(bool offLine, bool searchRunning, bool dataToRead);
    // Its own 100 ms timer: shows the message and moves the marker.
    void OnTimer();

    int TipoMessaggio() const { return tipo_; }
    void SetTipoMessaggio(int t);  // 0, 1 or 3; other values ignored
    std::string MessageText(int tipo) const;

    bool visible = false;
    bool timerEnabled = false;
    std::string LblMsg;
    // Marker (Shape1) inside its track (Label1), in twips.
    int trackWidth = 3000;
    int shapeWidth = 600;
    int shapeLeft = 0;

private:
    std::string type0Text_;
    int tipo_ = 0;
    int direction_ = 1;
};

}  // namespace gw
