// The week plan file: read with its limits, never throwing; what it accepts is a plan within
// the limits that writes back to the same plan, and stays within them through the changes a
// window makes.
#include "core/files.h"
#include "fuzz_util.h"
#include "planning/plan.h"

#include <algorithm>
#include <cstdint>
#include <set>

using namespace savorel;

namespace {

void CheckWithinLimits(const Plan& plan) {
    FUZZ_CHECK(plan.entries.size() <= kPlanEntryLimit + 1);
    FUZZ_CHECK(plan.household.people.size() <= kPlanPeopleLimit);
    std::set<std::uint64_t> ids;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlanEntry& e = plan.entries[i];
        FUZZ_CHECK(e.portions >= 1 && e.portions <= kPlanPortionsLimit);
        FUZZ_CHECK(e.leftovers.size() + 1 <= kPlanEatenLimit);
        FUZZ_CHECK(IsSafeDataName(e.recipeFile));
        FUZZ_CHECK(e.id >= 1 && e.id < plan.nextId);
        FUZZ_CHECK(ids.insert(e.id).second);
        FUZZ_CHECK(e.cooked.day.ok());
        if (i > 0)
            FUZZ_CHECK(!SlotBefore(e.cooked, plan.entries[i - 1].cooked));
    }
    for (const Person& p : plan.household.people)
        FUZZ_CHECK(p.dailyGoal >= 0 && p.dailyGoal <= kPlanGoalLimit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto plan = ParsePlanText(text, &error);
    if (!plan) {
        FUZZ_CHECK(!error.empty()); // a refusal always says why
        return 0;
    }
    FUZZ_CHECK(error.empty());
    CheckWithinLimits(*plan);
    const std::string written = PlanFileText(*plan);
    const auto back = ParsePlanText(written, &error);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(*back == *plan);
    FUZZ_CHECK(PlanFileText(*back) == written);

    // The changes the plan window makes keep it within its limits and its order.
    Plan changed = *plan;
    if (!changed.entries.empty()) {
        const PlanEntry first = changed.entries.front();
        const MealSlot to{AddDays(first.cooked.day, static_cast<int>(size % 9) - 4),
                          kMeals[size % kMeals.size()]};
        FUZZ_CHECK(MoveEntry(changed, first.id, to));
        FUZZ_CHECK(FindEntry(changed, first.id)->cooked == to);
        CheckWithinLimits(changed);
        PlanEntry copy = first;
        copy.portions = static_cast<int>(size) - 50;
        const std::uint64_t id = AddEntry(changed, copy);
        FUZZ_CHECK(FindEntry(changed, id) != nullptr);
        CheckWithinLimits(changed);
        FUZZ_CHECK(RemoveEntry(changed, first.id));
        FUZZ_CHECK(FindEntry(changed, first.id) == nullptr);
        CheckWithinLimits(changed);
    }
    return 0;
}
