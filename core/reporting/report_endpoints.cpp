#include "core/reporting/report_endpoints.h"

ReportEndpoints& ReportSettings() {
    static ReportEndpoints settings;
    return settings;
}
