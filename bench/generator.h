#pragma once

#include <QString>

struct GeneratedSizes
{
    int projects;
    int cases;
    int largestProject;
};

// Writes a realistic testing.mdb of the given number of test cases: 50 to 500
// projects, the largest ("PRJ-LARGEST") holding a fifth of the cases up to
// 20,000, four test types, 48 components, four in five cases logged with a mix
// of passes and failures, texts of realistic length; historyRows earlier
// results spread over the logged cases and over kBuilds builds, named
// generatedBuild(0) (the first tested) to generatedBuild(kBuilds - 1). Throws on failure.
constexpr int kBuilds = 20;
QString generatedBuild(int index);

GeneratedSizes generateDatabase(const QString &path, int testCases, int historyRows = 0);
