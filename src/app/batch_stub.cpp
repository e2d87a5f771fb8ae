// Batch mode for builds without the TOC engine: says so and fails.
#include "app/batch.h"

vtstring batch_report(std::string_view, bool, int& exit_code) {
    vtstring report(kProductTitle);
    report += "\r\nError occurred: the TOC engine is not part of this build\r\n";
    exit_code = BATCH_FAILED;
    return report;
}
