#include "app/AboutText.h"

#include <cmath>

#include "app/Workbench.h"
#include "lang/ClsLingue.h"

namespace gw {

long WorkingHours(double minutes) {
    if (!std::isfinite(minutes) || minutes <= 0) return 0;
    if (minutes > 4e12) minutes = 4e12;
    return static_cast<long>(std::nearbyint(minutes)) / 60;
}

std::string AboutText(const AboutInfo& i) {
    std::string t = "\n";
    t += kSoftwareVersion;
    t += "\n\n";
    t += i.labels[0] + i.ecuDate + " - " + i.ecuVersion + "\n";
    t += i.labels[1] + i.fileDate + " - " + i.fileVersion + "\n\n";
    t += i.labels[2] + std::to_string(WorkingHours(i.minutes2)) + "\n";
    t += i.labels[3] + std::to_string(WorkingHours(i.minutes1)) + "\n\n\n";
    t += i.osLine;
    return t;
}

std::array<std::string, 4> AboutLabels(const ClsLingue& lingue) {
    std::array<std::string, 4> labels{"Firmware ECU: ", "Firmware file: ", "Working time 2 (h): ",
                                      "Working time 1 (h): "};
    const int marker = lingue.FindMarker("[Frm_About]");
    if (marker < 0) return labels;
    const int last = lingue.UboundVociLingua(lingue.CurrentLanguage());
    for (int k = 0; k < 4; ++k)
        if (marker + 1 + k <= last) labels[static_cast<size_t>(k)] = lingue.Voce(marker + 1 + k);
    return labels;
}

}  // namespace gw
