#include "model/ModelRecord.h"

namespace gw {

void DisponiMatriceModDefault(ModelRecord& model) {
    model.Alfa = 1;
    model.Offset = 0;
    for (int i = 0; i < kModelPoints; ++i) {
        ModelPoint& p = model.points[static_cast<std::size_t>(i)];
        p.DefaultPlace = kModelDefaultPlaces[static_cast<std::size_t>(i)];
        p.Shift = 0;
        p.X = p.DefaultPlace;
        p.Y = p.X + model.Offset;
        p.Enrich = 0;
    }
}

}  // namespace gw
