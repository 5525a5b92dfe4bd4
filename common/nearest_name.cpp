// SPDX-License-Identifier: GPL-3.0-or-later
#include "nearest_name.h"

#include <algorithm>

namespace vantrel {

int editDistance(const std::string &a, const std::string &b)
{
    const size_t n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
    for (size_t i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (size_t j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (size_t i = 1; i <= n; ++i)
        for (size_t j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

std::string nearestName(const std::string &word, const std::vector<std::string> &names)
{
    const int limit = std::max(1, int(word.size()) / 3);
    std::string best;
    int bestDistance = limit + 1;
    for (const std::string &name : names) {
        const int distance = editDistance(word, name);
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

std::string didYouMean(const std::string &word, const std::vector<std::string> &names)
{
    const std::string near = nearestName(word, names);
    return near.empty() ? std::string() : " (did you mean \"" + near + "\"?)";
}

} // namespace vantrel
