#include "zab/ZABSystemFont.h"

bool ZABNonClientMetrics(NONCLIENTMETRICSW* metrics) {
    const UINT full = sizeof(NONCLIENTMETRICSW);
    for (UINT size : {full, full - 4}) {
        *metrics = {};
        metrics->cbSize = size;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, metrics, 0)) return true;
    }
    return false;
}
