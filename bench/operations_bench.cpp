// kelvaro-bench: every registry operation on generated text of 1 MiB and 8 MiB. Decoders read the
// output of their own encoder. Throughput counts the input's UTF-8 bytes, as a file would hold it.
//
//   kelvaro-bench --benchmark_filter=base64 --benchmark_repetitions=5

#include "bench_text.h"
#include "net/resolver.h"
#include "registry/operations.h"
#include "text/utf.h"

#include <benchmark/benchmark.h>
#include <map>
#include <string>

namespace kelvaro {
namespace {

class LoopbackResolver : public net::HostResolver {
public:
  std::vector<net::Ipv4Address> ResolveIpv4(const std::string&) const override {
    return {{127, 0, 0, 1}};
  }
};

const std::u16string& InputFor(const Operation& operation, std::size_t utf8Bytes) {
  static std::map<std::pair<std::string, std::size_t>, std::u16string> cache;
  const auto key = std::make_pair(std::string(operation.cliName), utf8Bytes);
  if (auto it = cache.find(key); it != cache.end())
    return it->second;
  std::u16string input = GenerateBenchText(utf8Bytes);
  if (!operation.inverseOf.empty()) {
    if (const Operation* encoder = FindOperation(operation.inverseOf)) {
      if (Outcome encoded = RunOperation(*encoder, input); encoded.text)
        input = *encoded.text;
    }
  }
  return cache.emplace(key, std::move(input)).first->second;
}

void RunOne(benchmark::State& state, const Operation* operation) {
  const std::u16string& input = InputFor(*operation, static_cast<std::size_t>(state.range(0)));
  const LoopbackResolver resolver;
  const OperationOptions options{.resolver = &resolver};
  for (auto _ : state) {
    Outcome outcome = RunOperation(*operation, input, options);
    benchmark::DoNotOptimize(outcome);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(Utf16ToUtf8(input).size()));
}

const bool kRegistered = [] {
  for (const Operation& operation : Operations()) {
    benchmark::RegisterBenchmark(std::string(operation.cliName).c_str(), RunOne, &operation)
        ->Arg(1 << 20)
        ->Arg(8 << 20)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

} // namespace
} // namespace kelvaro

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
