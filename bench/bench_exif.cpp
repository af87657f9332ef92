// Cost of the Exif dialog's work on a camera photo: read the file, find the segment, build the
// report. The file is read whole, so the bigger photo shows what the file size costs.
#include "Kzutil.h"

#include <benchmark/benchmark.h>

#include <string>

static void ExifReport(benchmark::State& state, const std::string& name)
{
    const std::string path = std::string(VISTREL_CORPUS_DIR) + "/exif/" + name;
    if (!CKzExifFile::IsExifFile(path.c_str())) {
        state.SkipWithError(("not found or without Exif: " + path).c_str());
        return;
    }
    for (auto _ : state) {
        CKzExifFile file;
        file.Open(path.c_str());
        char report[4096] = {};
        benchmark::DoNotOptimize(file.GetExifInformation(report, sizeof report));
        file.Close();
    }
}
BENCHMARK_CAPTURE(ExifReport, canon_33kB, std::string("exif-samples/Canon_PowerShot_S40.jpg"));
BENCHMARK_CAPTURE(ExifReport, canon_1MB, std::string("exif-samples/hdr/canon_hdr_YES.jpg"));
