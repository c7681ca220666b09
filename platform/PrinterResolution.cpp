#include "platform/PrinterResolution.h"

#ifdef QUORVANE_HAVE_CUPS
#include <cups/cups.h>
#endif

#include <cmath>

namespace platform {

std::optional<int> PrinterResolution(const QString& deviceName)
{
#ifdef QUORVANE_HAVE_CUPS
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::optional<int> dpi;
    if (cups_dest_t* dest = cupsGetDest(deviceName.toUtf8().constData(), nullptr, count, dests)) {
        if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
            if (ipp_attribute_t* res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
                int y = 0;
                ipp_res_t units = IPP_RES_PER_INCH;
                const int x = ippGetResolution(res, 0, &y, &units);
                const int perInch = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(x * 2.54)) : x;
                if (perInch >= 72 && perInch <= 9600)
                    dpi = perInch;
            }
            cupsFreeDestInfo(info);
        }
    }
    cupsFreeDests(count, dests);
    return dpi;
#else
    (void)deviceName;
    return std::nullopt;
#endif
}

} // namespace platform
