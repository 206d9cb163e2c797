// make_sample_folder OUTDIR [--variant N] [--layout demo|bench] [--manifest FILE]
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <map>

#include "tools/sample_folder.h"

int main(int argc, char** argv) {
    torva::sample::SampleOptions options;
    CLI::App app{"Writes a sample download folder of TORVA maps and other files."};
    app.add_option("OUTDIR", options.outDir, "folder to create (must be empty or absent)")
        ->required();
    app.add_option("--variant", options.variant,
                   "which variant of the sample (same variant, same bytes)");
    const std::map<std::string, torva::sample::Layout> layouts = {
        {"demo", torva::sample::Layout::Demo}, {"bench", torva::sample::Layout::Bench}};
    app.add_option("--layout", options.layout, "demo (a few dozen files) or bench (1000 files)")
        ->transform(CLI::CheckedTransformer(layouts, CLI::ignore_case));
    app.add_option("--manifest", options.manifestPath, "write a JSON manifest of the files here");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    try {
        const auto folder = torva::sample::WriteSampleFolder(options);
        std::printf("%zu files written to %s\n", folder.files.size(), options.outDir.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_folder: %s\n", e.what());
        return 1;
    }
    return 0;
}
