#include "core/collate.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace savorel;
using savorel::testing::Utf8ToCp1250;

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

// Each row: the first sorts before the second (and the second after the first).
TEST(Collate, RomanianOrderOfPairs) {
    const struct {
        const char* before;
        const char* after;
    } rows[] = {
        {"a", "ă"},
        {"ă", "â"},
        {"â", "b"},
        {"az", "ăa"},
        {"ăz", "âa"},
        {"âz", "ba"},
        {"iz", "îa"},
        {"îz", "j"},
        {"sz", "şa"},
        {"şz", "t"},
        {"tz", "ţa"},
        {"ţz", "u"},
        {"Ţuică", "Uscat"},
        {"Sarmale", "Şniţel"},
        {"ciorbă", "Ciorbă"},
        {"Ana", "ana b"},
        {"ana", "Anton"},
        {"brânză", "BRÂNZĂ DE VACI"},
        {"copie 2", "copie 10"},
        {"copie 9", "copie 10"},
        {"copie 10", "copie 10a"},
        {"copie 2", "copie 02"},
        {"copie 02", "copie 3"},
        {"pas 1 din 9", "pas 1 din 10"},
        {"10", "a"},
        {"", "a"},
        {"a b", "ab"},
        {"Müsli", "Mz"},
        {"Ma", "Müsli"},
        {"zz", "\xe2\x80\x9e"},
        {"2 ouă", "10 ouă"},
        {"x 99999999999999999999", "x 100000000000000000000"},
    };
    for (const auto& row : rows) {
        const std::string a = Utf8ToCp1250(row.before), b = Utf8ToCp1250(row.after);
        EXPECT_LT(CompareRomanian(a, b), 0) << row.before << " < " << row.after;
        EXPECT_GT(CompareRomanian(b, a), 0) << row.after << " > " << row.before;
    }
    for (const char* same : {"", "a", "Ţuică fiartă", "copie 007"})
        EXPECT_EQ(CompareRomanian(Utf8ToCp1250(same), Utf8ToCp1250(same)), 0) << same;
}

// A sort by the comparison is a real order: what sorts first stays first, however the list
// was shuffled, and every pair agrees with the sorted positions.
TEST(Collate, SortingAListIsConsistent) {
    std::vector<std::string> expected;
    for (const char* s : {"1 bucată", "2 bucăţi", "10 bucăţi", "aluat", "Aluat", "Ăsta", "Ârc",
                          "Bere", "copie 1", "copie 2", "copie 10", "copie 11", "Ic", "Îngheţată",
                          "Salată", "Şniţel", "Tort", "Ţuică", "Zacuscă"})
        expected.push_back(Utf8ToCp1250(s));
    std::vector<std::string> list = expected;
    std::mt19937 random(1);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(list.begin(), list.end(), random);
        std::sort(list.begin(), list.end(), RomanianLess);
        EXPECT_EQ(list, expected);
    }
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (std::size_t k = 0; k < expected.size(); ++k)
            EXPECT_EQ(Sign(CompareRomanian(expected[i], expected[k])), i < k ? -1 : (i > k ? 1 : 0))
                << i << " " << k;
}
