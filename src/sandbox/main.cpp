// The sandbox host: runs the render control library on the simulated host and
// reports what it saw.
#include <CLI/CLI.hpp>

#include "scenario.h"

int main(int argc, char** argv) {
    sandbox::Options options;
    CLI::App app{"Runs the render control library on a simulated playout host."};
    app.add_option("--seconds", options.seconds, "How long to run")->check(CLI::Range(0.1, 3600.0));
    app.add_option("--out", options.out, "Folder for the output files");
    CLI11_PARSE(app, argc, argv);

    sandbox::printReport(sandbox::runScenario(options));
    return 0;
}
