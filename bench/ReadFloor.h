#pragma once
// The floor of reading a workbook with the libraries the engine uses: every worksheet part
// inflated by libzip and parsed by expat with no handlers at all, on one core. No reader of ours
// can be faster; the read benchmarks measure against it in the same run.
#include "PeakMemory.h"

#include <expat.h>
#include <zip.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

struct FloorRun {
    long long bytes = 0; // worksheet XML inflated and parsed; 0 when the file could not be read
    double seconds = 0;
    double cpuSeconds = 0;
};

inline FloorRun readFloor(const std::string& path)
{
    FloorRun run;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!zip) return run;
    std::vector<char> buffer(64 * 1024);
    bool ok = true;
    const zip_int64_t entries = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; ok && i < entries; ++i) {
        const char* name = zip_get_name(zip, zip_uint64_t(i), 0);
        if (!name || std::strncmp(name, "xl/worksheets/", 14) != 0 || !std::strstr(name, ".xml")) continue;
        zip_file_t* file = zip_fopen_index(zip, zip_uint64_t(i), 0);
        XML_Parser parser = XML_ParserCreate("UTF-8");
        for (;;) {
            const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
            if (n <= 0) {
                ok = n == 0 && XML_Parse(parser, nullptr, 0, XML_TRUE) == XML_STATUS_OK;
                break;
            }
            run.bytes += n;
            if (XML_Parse(parser, buffer.data(), int(n), XML_FALSE) != XML_STATUS_OK) {
                ok = false;
                break;
            }
        }
        XML_ParserFree(parser);
        zip_fclose(file);
    }
    zip_discard(zip);
    run.cpuSeconds = processCpuSeconds() - cpuStart;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) run.bytes = 0;
    return run;
}
