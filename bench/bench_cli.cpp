// The command line as whole processes on a parish's year (10,000 receipts,
// 10,000 payments, 1,000 deposits, 1,000 withdrawals, working year 2014):
// the balances, and the whole year's cash register to CSV and to PDF (the
// work table rebuilt, the page count, the pages written), each timed from the
// program's start to its end.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "WindowBenchMain.h"
#include "data/Install.h"

extern char** environ;

namespace {

std::string g_db;

void fillDatabase() {
    data::createInstallation(g_db);
    bench::fillYearOfDocuments(g_db, 10000, 1000);
    // the documents' year is the unit's working year
    sqlite3* db = nullptr;
    sqlite3_open((g_db + "Parohia.DB").c_str(), &db);
    sqlite3_exec(db, "UPDATE \"Parohia\" SET An_lucru = 2014", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Runs the program to its end with its output discarded; its exit status.
int runProgram(std::vector<std::string> args) {
    args.insert(args.begin(), {CORVALINDE_BIN, "--dir", g_db});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void timeProgram(benchmark::State& state, const std::vector<std::string>& args) {
    if (runProgram(args) != 0) {  // once untimed: the files in the cache
        state.SkipWithError("the program failed");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = runProgram(args);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (status != 0) state.SkipWithError("the program failed");
    }
}

void BM_Balances(benchmark::State& state) { timeProgram(state, {"--balances"}); }
BENCHMARK(BM_Balances)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CashRegisterCsv(benchmark::State& state) {
    timeProgram(state, {"--report", "casa", "--out", g_db + "casa.csv"});
}
BENCHMARK(BM_CashRegisterCsv)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CashRegisterPdf(benchmark::State& state) {
    timeProgram(state, {"--report", "casa", "--out", g_db + "casa.pdf"});
}
BENCHMARK(BM_CashRegisterPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, "cli", g_db, fillDatabase,
                                      {{"BM_Balances", "--balances", 100},
                                       {"BM_CashRegisterCsv", "--report casa, whole year, to CSV", 400},
                                       {"BM_CashRegisterPdf", "--report casa, whole year, to PDF", 2500}});
}
