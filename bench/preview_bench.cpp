// quillmere-bench-preview: what a preview costs once its file is converted.
//
//   quillmere-bench-preview FILE [RUNS]
//
// Converts FILE into memory as the dialog's preview does (timed on its
// own), then, in the real preview window, times what the user waits for
// after the conversion: the figure, its layout and its drawing at the
// window's size; then the redraws that resizing the window makes, at a
// round of sizes. Prints medians and maxima in milliseconds, and the size of
// the SVG file of the same figure. Needs a display (xvfb-run will do).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/init.h>

#include "engine/settings.h"
#include "plot/plot_scene.h"
#include "plot/plot_source.h"
#include "plot/svg_writer.h"
#include "ui/preview_window.h"

namespace {

class CBenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

double Milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Processor time of this process so far, in milliseconds: on a shared
// machine it does not grow while the program waits for its turn.
double ProcessorMilliseconds()
{
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        wxTheApp->Yield(true);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillmere-bench-preview FILE [RUNS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    wxApp::SetInstance(new CBenchApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "quillmere-bench-preview: no display\n");
        return 1;
    }
    g_surfaceArea = 1.0f;
    g_areaEnabled = 1;

    auto start = std::chrono::steady_clock::now();
    const PlotSource source = PreviewSource(path.c_str());
    const double conversion = Milliseconds(std::chrono::steady_clock::now() - start);
    if (source.rows == nullptr) {
        std::fprintf(stderr, "quillmere-bench-preview: %s: %s\n", path.c_str(), source.problem.c_str());
        return 1;
    }

    auto* window = new CPreviewWindow(nullptr);
    window->Show();
    Settle();
    std::vector<double> opens;
    std::vector<double> openCpu;
    for (int run = 0; run < runs; ++run) {
        start = std::chrono::steady_clock::now();
        const double cpu = ProcessorMilliseconds();
        window->ShowSources({source});
        window->Update();  // the paint that shows it
        opens.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        openCpu.push_back(ProcessorMilliseconds() - cpu);
        Settle();
    }

    const wxSize sizes[] = {{700, 380}, {1000, 560}, {1280, 760}, {820, 440}, {1100, 500}, {900, 460}};
    std::vector<double> redraws;
    for (int run = 0; run < runs; ++run) {
        for (const wxSize& size : sizes) {
            window->SetSize(size);
            Settle();
            redraws.push_back(window->LastDrawMicroseconds() / 1000.0);
        }
    }
    const std::string svg = SceneSvg(LayoutFigure(window->Figure(), SVG_WIDTH, SVG_HEIGHT));

    std::printf("%s: %zu rows\n", path.c_str(), source.rows->Size());
    std::printf("  conversion into memory            %8.1f ms\n", conversion);
    std::printf("  preview after the conversion      %8.1f ms median, %8.1f ms max of %d (target < 100 ms)\n",
                Median(opens), *std::max_element(opens.begin(), opens.end()), runs);
    std::printf("    of which processor time         %8.1f ms median\n", Median(openCpu));
    std::printf("  redraw on resize                  %8.1f ms median, %8.1f ms max of %zu (target < 50 ms)\n",
                Median(redraws), *std::max_element(redraws.begin(), redraws.end()), redraws.size());
    std::printf("  SVG of the figure                 %8zu bytes (target < 1 MB)\n", svg.size());
    window->Destroy();
    Settle();
    wxEntryCleanup();
    return 0;
}
