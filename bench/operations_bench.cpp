// kelvaro-bench: every registry operation on generated text of 1 MiB and 8 MiB. Decoders read the
// output of their own encoder. Throughput counts the input's UTF-8 bytes, as a file would hold it.
// The recognisers (auto, detect) run at the sizes they are meant for, a paste of 2 KB and a file
// of 1 MiB, on text garbled as pastes mostly are (its UTF-8 read as GBK), as auto/latin1 on its
// UTF-8 read as ISO-8859-1 (three characters for each Chinese one) and, as auto/clean and
// detect/clean, on clean text, where the whole search runs and finds nothing.
//
// Goals: pinyin, pinyin-numbers and pinyin-initials at least 20 MB/s.
//
//   kelvaro-bench --benchmark_filter=base64 --benchmark_repetitions=5

#include "bench_text.h"
#include "net/resolver.h"
#include "registry/operations.h"
#include "text/charset.h"
#include "text/utf.h"

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <tuple>

namespace kelvaro {
namespace {

class LoopbackResolver : public net::HostResolver {
public:
  std::vector<net::Ipv4Address> ResolveIpv4(const std::string&) const override {
    return {{127, 0, 0, 1}};
  }
};

bool IsRecogniser(const Operation& operation) {
  return operation.cliName == "auto" || operation.cliName == "detect";
}

enum class Input { Generated, Garbled, GarbledAsLatin1 };

// The operation whose output an operation without an inverse reads, as a user would feed it:
// tw-to-traditional reads Taiwan's forms, not the simplified text nearly all of which it copies.
std::string_view ReadsOutputOf(const Operation& operation) {
  if (!operation.inverseOf.empty())
    return operation.inverseOf;
  if (operation.cliName == "tw-to-traditional")
    return "to-traditional-tw-chars";
  return {};
}

const std::u16string& InputFor(const Operation& operation, std::size_t utf8Bytes, Input kind) {
  static std::map<std::tuple<std::string, std::size_t, Input>, std::u16string> cache;
  const auto key = std::make_tuple(std::string(operation.cliName), utf8Bytes, kind);
  if (auto it = cache.find(key); it != cache.end())
    return it->second;
  std::u16string input = GenerateBenchText(utf8Bytes);
  if (kind == Input::Garbled)
    input = DecodeBytes(EncodeText(input, Charset::Utf8), Charset::Gbk);
  if (kind == Input::GarbledAsLatin1)
    input = DecodeBytes(EncodeText(input, Charset::Utf8), Charset::Iso8859_1);
  if (const std::string_view source = ReadsOutputOf(operation); !source.empty()) {
    if (const auto encoder = FindOperation(source)) {
      if (Outcome encoded = RunOperation(*encoder, input); encoded.text)
        input = *encoded.text;
    }
  }
  return cache.emplace(key, std::move(input)).first->second;
}

void RunOne(benchmark::State& state, const Operation* operation, Input kind) {
  const std::u16string& input =
      InputFor(*operation, static_cast<std::size_t>(state.range(0)), kind);
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
    const std::string name(operation.cliName);
    if (IsRecogniser(operation)) {
      for (const auto& [suffix, kind] :
           {std::pair{"", Input::Garbled}, std::pair{"/latin1", Input::GarbledAsLatin1},
            std::pair{"/clean", Input::Generated}}) {
        benchmark::RegisterBenchmark((name + suffix).c_str(), RunOne, &operation, kind)
            ->Arg(2 << 10)
            ->Arg(1 << 20)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
      }
      continue;
    }
    benchmark::RegisterBenchmark(name.c_str(), RunOne, &operation, Input::Generated)
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
