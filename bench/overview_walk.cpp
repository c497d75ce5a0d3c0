// The echo-dynamics overview of a recording, as the window computes it:
// with the B-scan's block maxima ("bscan") or without them, to time what
// the maxima add to the walk. Prints the shown frames and the bytes of the
// maxima.
// Usage: overview-walk FILE [bscan]
#include <cstdio>
#include <cstring>

#include "analysis/echo_overview.h"

using namespace vantrel;

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "bscan") != 0)) return 2;
    RecordQuery query;
    if (!query.open(argv[1]).ok()) return 1;
    OverviewSettings settings;
    settings.bscan = argc == 3;
    const EchoOverview o = computeOverview(query, settings);
    std::printf("%lld frames, %zu bytes of B-scan maxima in blocks of %lld frames\n",
                static_cast<long long>(o.frameCount()), o.bscanSummaries().bytes(),
                static_cast<long long>(o.bscanSummaries().blockFrames()));
    return 0;
}
