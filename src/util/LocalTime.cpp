#include "util/LocalTime.h"

namespace gw {

std::tm LocalTime(std::time_t t) {
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) local = std::tm{};
#else
    if (localtime_r(&t, &local) == nullptr) local = std::tm{};
#endif
    return local;
}

}  // namespace gw
