// Rendering markup full of tags into a box that discards what it gets: the
// time must grow in proportion to the text (1 MB / 100 KB at most 12). The
// baseline, in the same run, is one pass over the same bytes; for contrast,
// the reading rules followed to the letter (each piece cut off the front of
// the text) at the two smaller sizes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "messages/Markup.h"

namespace {

using namespace kolvex;

class DiscardingBox final : public MarkupBox {
 public:
  void Clear() override {}
  void SetFont(const std::string&, int) override {}
  void SetWordWrap(bool) override {}
  void InsertText(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  FontStyles InsertionStyle() const override { return style_; }
  void SetInsertionStyle(FontStyles s) override { style_ = s; }
  ColorValue InsertionColor() const override { return color_; }
  void SetInsertionColor(ColorValue c) override { color_ = c; }
  void InsertParagraphBreak() override {}
  void SetParagraphAlignment(Alignment) override {}
  int LineCount() const override { return 0; }
  std::string LineText(int) const override { return {}; }
  FontStyles CharStyle(int, int) const override { return {}; }
  int Width() const override { return 245; }
  void SetWidth(int) override {}
  int Height() const override { return 100; }
  void SetHeight(int) override {}
  int Left() const override { return 55; }
  int ScreenWidth() const override { return 1024; }
  std::unique_ptr<TextCanvas> OpenCanvas() const override { return nullptr; }

 private:
  FontStyles style_;
  ColorValue color_ = kDefaultColor;
};

// About one tag in every eight bytes, of every kind the reader knows and some it does not.
std::string TagHeavyText(size_t bytes) {
  static const std::string pieces[] = {
      "<B>bold</B> ",
      "<C:clRed>red<C:clDefault> ",
      "<A:CENTER>centre",
      "^",
      "x < y > z ",
      "<<I>i</I>",
      "<COLOR :no>",
      "zwykły tekst ",
      "<U>u</U><S>s</S>",
      "\r\n",
      "< b >",
      "<C:$FF00>g",
  };
  std::string text;
  text.reserve(bytes + 64);
  for (size_t i = 0; text.size() < bytes; ++i) text += pieces[i % std::size(pieces)];
  text.resize(bytes);
  return text;
}

// Steps 7 and 8 as written, each piece erased from the front of the string.
void RenderBodyByCutting(MarkupBox& box, std::string text) {
  TextState state{box.InsertionStyle(), box.InsertionColor()};
  for (;;) {
    const size_t open = text.find('<');
    if (open == std::string::npos) break;
    if (open > 0) box.InsertText(text.substr(0, open));
    text.erase(0, open);
    size_t close;
    for (;;) {
      close = text.find('>');
      const size_t other = text.find('<', 1);
      if (close == std::string::npos || other == std::string::npos || other > close) break;
      box.InsertText(text.substr(0, other));
      text.erase(0, other);
    }
    if (close == std::string::npos) break;
    const std::string content = text.substr(1, close - 1);
    if (!ApplyTag(box, content, state)) box.InsertText("<" + content + ">");
    text.erase(0, close + 1);
  }
  if (!text.empty()) box.InsertText(text);
}

void BM_ScanBaseline(benchmark::State& state) {
  const std::string text = TagHeavyText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(std::count(text.begin(), text.end(), '<'));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_RenderMarkup(benchmark::State& state) {
  const std::string text = TagHeavyText(static_cast<size_t>(state.range(0)));
  DiscardingBox box;
  for (auto _ : state) RenderMarkup(box, text, 1);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_CuttingFromTheFront(benchmark::State& state) {
  const std::string text = ConvertLineBreaks(TagHeavyText(static_cast<size_t>(state.range(0))));
  DiscardingBox box;
  for (auto _ : state) RenderBodyByCutting(box, text);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

constexpr int k10K = 10'000;
constexpr int k100K = 100'000;
constexpr int k1M = 1'000'000;

BENCHMARK(BM_ScanBaseline)->Arg(k10K)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderMarkup)->Arg(k10K)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CuttingFromTheFront)->Arg(k10K)->Arg(k100K)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) seconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::printf("\nCPU time ratios (same run; the machine may be shared):\n");
    Ratio("RenderMarkup 1 MB / 100 KB (target <= 12)", "BM_RenderMarkup/1000000", "BM_RenderMarkup/100000");
    Ratio("RenderMarkup 100 KB / 10 KB", "BM_RenderMarkup/100000", "BM_RenderMarkup/10000");
    Ratio("RenderMarkup / scan baseline, 1 MB", "BM_RenderMarkup/1000000", "BM_ScanBaseline/1000000");
    Ratio("cutting from the front 100 KB / 10 KB", "BM_CuttingFromTheFront/100000", "BM_CuttingFromTheFront/10000");
    Ratio("cutting from the front / RenderMarkup, 100 KB", "BM_CuttingFromTheFront/100000", "BM_RenderMarkup/100000");
  }

 private:
  void Ratio(const char* label, const std::string& a, const std::string& b) const {
    const auto x = seconds_.find(a);
    const auto y = seconds_.find(b);
    if (x == seconds_.end() || y == seconds_.end() || y->second <= 0) return;
    std::printf("  %-48s %8.2f\n", label, x->second / y->second);
  }

  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
