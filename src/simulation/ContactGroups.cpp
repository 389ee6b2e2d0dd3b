#include "simulation/ContactGroups.h"

#include "physics/PhysicsWorld.h"

namespace {

// A rule's other group that stands for every group.
constexpr int kEveryGroup = -1;

// Whether group meets other (or every group).
struct ContactRule {
    int group = 0;
    int other = kEveryGroup;
    bool makeContacts = false;
};

// In this order: a later rule overrides what an earlier one said of a pair.
constexpr ContactRule kRules[] = {
    { 1, 1, false },
    { 2, kEveryGroup, false },
    { 4, kEveryGroup, false },
    { 2, 4, true },
    { 0, 4, true },
    { 4, 6, true },
    { 3, kEveryGroup, false },
    { 5, kEveryGroup, false },
    { 3, 5, true },
    { 0, 5, true },
    { 31, kEveryGroup, false },
};

// The groups that meet every group but themselves.
constexpr int kFirstOwnGroup = 20;
constexpr int kLastOwnGroup = 29;

} // namespace

void SetUpSimulationContactGroups(physics::PhysicsWorld& world) {
    for (const ContactRule& rule : kRules) {
        if (rule.other == kEveryGroup)
            world.setupContactGroup(rule.group, rule.makeContacts);
        else
            world.setupContactGroups(rule.group, rule.other, rule.makeContacts);
    }
    for (int group = kFirstOwnGroup; group <= kLastOwnGroup; ++group)
        world.setupContactGroups(group, group, false);
}
