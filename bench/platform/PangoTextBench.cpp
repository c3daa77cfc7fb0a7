// The same work as TextBench.cpp done by Pango on Cairo: the yardstick for
// our own text path. Only this benchmark links Pango.

#include <benchmark/benchmark.h>

#ifdef REZ_HAVE_PANGO
#include <pango/pangocairo.h>

#include "BenchText.h"

namespace {

constexpr int kLineLength = 200;
constexpr int kMeasureLines = 1000000 / kLineLength;
constexpr int kScreenLines = 1080 / 18;

PangoFontDescription* TwelvePointArial() {
    PangoFontDescription* desc = pango_font_description_from_string("Arial");
    pango_font_description_set_absolute_size(desc, 16 * PANGO_SCALE);
    return desc;
}

void BM_MeasureMillionCharsPango(benchmark::State& state) {
    const auto lines = BenchText::Lines(kMeasureLines, kLineLength);
    std::vector<std::string> utf8;
    for (const auto& line : lines)
        utf8.push_back(BenchText::ToUtf8(line));
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* desc = TwelvePointArial();
    pango_layout_set_font_description(layout, desc);
    for (auto _ : state) {
        std::int64_t total = 0;
        for (const auto& line : utf8) {
            pango_layout_set_text(layout, line.data(), static_cast<int>(line.size()));
            int w = 0, h = 0;
            pango_layout_get_pixel_size(layout, &w, &h);
            total += w;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kMeasureLines * kLineLength);
    pango_font_description_free(desc);
    g_object_unref(layout);
    g_object_unref(context);
}
BENCHMARK(BM_MeasureMillionCharsPango)->Unit(benchmark::kMillisecond);

void BM_DrawScreenPango(benchmark::State& state) {
    const auto lines = BenchText::Lines(kScreenLines, 230);
    std::vector<std::string> utf8;
    for (const auto& line : lines)
        utf8.push_back(BenchText::ToUtf8(line));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* desc = TwelvePointArial();
    pango_layout_set_font_description(layout, desc);
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        for (int i = 0; i < kScreenLines; ++i) {
            pango_layout_set_text(layout, utf8[i].data(), static_cast<int>(utf8[i].size()));
            cairo_move_to(cr, 4, i * 18);
            pango_cairo_show_layout(cr, layout);
        }
        cairo_surface_flush(surface);
    }
    state.SetItemsProcessed(state.iterations() * kScreenLines * 230);
    pango_font_description_free(desc);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_DrawScreenPango)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
