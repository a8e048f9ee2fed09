// SPDX-License-Identifier: MIT
// Throughput of the read primitives and the configuration read with the port
// taken out of the picture (scripted replies, no pauses): what the link costs
// on top of the printer's own time.
#include <benchmark/benchmark.h>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

namespace {

void BM_ReadFrames(benchmark::State& state) {
    std::string one = "{20|" + std::string(20, 'x') + "}";
    std::string many;
    for (int i = 0; i < 1000; ++i) many += one;
    for (auto _ : state) {
        m350test::ScriptedLink link({many});
        std::string payload;
        int n = 0;
        while (link.conn().readFrame(payload)) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * many.size()));
}
BENCHMARK(BM_ReadFrames);

void BM_ConfigurationRead(benchmark::State& state) {
    for (auto _ : state) {
        // Every key answers 203 (a valid resolution, a number for every rule); the
        // line end lets the serial-number line end where it should.
        std::vector<std::string> replies(400, "{3|203}\r\n");
        m350test::ScriptedLink answered({});
        for (auto& r : replies) answered.port().replies.push_back(r);
        m350::ConfigRecord record;
        int result = m350::runOperation(answered.ctx(), m350::kOpReadConfig, m350::kCom,
                                        [&](m350::Link& l) { return m350::readConfig(l, record); });
        if (result != m350::kOk) state.SkipWithError("the configuration read failed");
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_ConfigurationRead);

void BM_LargeWriteInChunks(benchmark::State& state) {
    std::string data(1 << 20, 'd');
    for (auto _ : state) {
        m350test::ScriptedLink link({});
        benchmark::DoNotOptimize(link.conn().write(data));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_LargeWriteInChunks);

}  // namespace
