// The launcher benchmark's stand-in for VexoClientPlay.exe: appends the moment it started
// (CLOCK_REALTIME, nanoseconds, the clock of `date +%s%N`) and its arguments as one line to the
// file named by VEXO_BENCH_RECORD, and ends. Exit code 1 when it cannot.
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const char* path = std::getenv("VEXO_BENCH_RECORD");
    std::FILE* record = path ? std::fopen(path, "ae") : nullptr;
    if (!record) return 1;
    std::fprintf(record, "%lld", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    for (int i = 1; i < argc; ++i) std::fprintf(record, " %s", argv[i]);
    std::fputc('\n', record);
    return std::fclose(record) == 0 ? 0 : 1;
}
