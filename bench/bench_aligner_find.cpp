// Finding lines in the aligner: eight slots each holding the King James
// Bible, searched for "lord" as a whole word ignoring case (compare with
// `rg -c -w -i lord` over eight copies of the file).
#include <QtWidgets/QApplication>

#include "BenchCorpus.h"
#include "display/TextStringGridVirtual.h"

namespace {

void BM_FindLinesContaining(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv())) return;
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  (void)app;
  sk::TTextStringGridListHolder holder;
  for (sk::Int32 i = 0; i < 8; ++i) {
    sk::Tfixed_lang_details lang{};
    lang.main_nome[0] = u'L';
    lang.new_win_font.fontsize = 10;
    holder.SetALanguage(i, lang);
    holder.SetText(i, bench::Kjv().text);
  }
  sk::TTextStringGridVirtual grid(nullptr);
  grid.SetStringArrayHolder(&holder);
  for (auto _ : state) grid.FindLinesContaining(u"lord", true, true);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 8 *
                          static_cast<int64_t>(bench::Kjv().bytes.size()));
}
BENCHMARK(BM_FindLinesContaining)->Unit(benchmark::kMillisecond);

}  // namespace
