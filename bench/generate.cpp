// Writes a realistic large testing.mdb for the benchmark.
//
//   verolan_bench_generate <file> <test cases> [<history rows>]
#include "generator.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: verolan_bench_generate <file> <test cases> [<history rows>]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(path)) {
        std::fprintf(stderr, "%s exists already\n", argv[1]);
        return 1;
    }
    try {
        const GeneratedSizes sizes = generateDatabase(path, QString::fromLocal8Bit(argv[2]).toInt(),
                                                         argc == 4 ? QString::fromLocal8Bit(argv[3]).toInt() : 0);
        std::printf("%s: %d projects, %d test cases, largest project %d\n", argv[1], sizes.projects, sizes.cases,
                    sizes.largestProject);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
