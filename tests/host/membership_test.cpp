// A node's view of the cluster over time: who is present after how much silence,
// and which roles the host's rule then gives, with what a link manager must emit.
#include <gtest/gtest.h>

#include "qorvasim/clusterrules.h"
#include "qorvasim/membership.h"

namespace {

using namespace std::chrono_literals;
using qorva::sim::Membership;
using Strings = std::vector<std::string>;

const Strings kIps = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"};
const Membership::Clock::time_point kStart{};

// Node i started at i ms: seniority follows the index.
struct View {
    explicit View(size_t local)
        : membership({.ips = kIps, .localIp = kIps[local], .joinedMs = static_cast<int64_t>(local)}, kStart) {}
    void hear(size_t index, std::chrono::milliseconds at) {
        ASSERT_TRUE(membership.heard(kIps[index], static_cast<int64_t>(index), kStart + at));
    }
    Membership::Review review(std::chrono::milliseconds at) { return membership.review(kStart + at); }
    std::vector<int> roles() {
        std::vector<int> roles;
        for (const auto& node : membership.nodes()) roles.push_back(node.type);
        return roles;
    }
    Membership membership;
};

TEST(Membership, ANewNodeListensFirstThenTakesTheRoleItsSeniorityGives) {
    View view(3);
    for (size_t i : {0u, 1u, 2u}) view.hear(i, 100ms);
    EXPECT_FALSE(view.review(499ms).localChanged);  // still listening
    EXPECT_EQ(view.membership.local().type, tarsel::link::ServerType_Null);
    const auto joined = view.review(500ms);
    EXPECT_TRUE(joined.localChanged);
    EXPECT_EQ(joined.local.lastType, tarsel::link::ServerType_Null);
    EXPECT_EQ(view.roles(), (std::vector<int>{0, 2, 1, 1}));
    EXPECT_TRUE(joined.backupsAdded.empty());  // only a master hears of backups
    EXPECT_FALSE(view.membership.heard("10.0.0.9", 0, kStart + 510ms));
}

// The backup takes over after five beats of silence; a slave promoted past a backup
// that went too is told which master it replaced.
TEST(Membership, SilenceOfFiveBeatsRemovesANodeAndItsRole) {
    struct Case {
        size_t local;
        std::vector<size_t> gone;
        std::vector<int> roles;
        Strings backupsAdded;
        std::string replacedMaster;
    };
    for (const auto& c :
         {Case{1, {0}, {4, 0, 2, 1}, {kIps[2]}, ""}, Case{2, {0, 1}, {4, 4, 0, 2}, {kIps[3]}, kIps[0]}}) {
        View view(c.local);
        for (size_t i = 0; i < kIps.size(); ++i) view.hear(i, 100ms);
        view.review(500ms);
        for (size_t i = 0; i < kIps.size(); ++i)
            if (std::find(c.gone.begin(), c.gone.end(), i) == c.gone.end()) view.hear(i, 600ms);
        EXPECT_TRUE(view.review(600ms).events.empty()) << c.local;  // 500 ms of silence is not yet gone
        const auto review = view.review(601ms);
        EXPECT_EQ(review.events.front(), "gone " + kIps[c.gone.front()]) << c.local;
        EXPECT_TRUE(review.localChanged) << c.local;
        EXPECT_EQ(view.roles(), c.roles) << c.local;
        EXPECT_EQ(review.backupsAdded, c.backupsAdded) << c.local;
        EXPECT_EQ(review.replacedMaster, c.replacedMaster) << c.local;
    }
}

// Routing as the sender sees the cluster: absent nodes receive nothing but what is
// named, nobody twice.
TEST(ClusterRules, RequestsReachTheMasterEveryOtherNodeOrTheNamedTargets) {
    std::vector<tarsel::link::ServerNodeInfo> nodes;
    for (const auto& [ip, type, present] : {std::tuple{"a", 4, false}, {"b", 0, true}, {"c", 2, true}, {"d", 1, true}})
        nodes.push_back({.type = static_cast<uint8_t>(type), .statusA = present, .statusB = present, .ip = ip});
    struct Case {
        uint8_t toMaster, toAll;
        Strings targets, recipients;
    };
    for (const auto& c : {Case{1, 0, {}, {"b"}}, Case{0, 1, {}, {"b", "d"}}, Case{0, 0, {"a", "c"}, {"a", "c"}},
                          Case{1, 1, {"b"}, {"b", "d"}}}) {
        const tarsel::link::LinkRequest request{.toMaster = c.toMaster, .toAll = c.toAll, .targets = c.targets};
        EXPECT_EQ(qorva::sim::requestRecipients(request, nodes, "c"), c.recipients);
    }
    EXPECT_EQ(qorva::sim::backupIps(nodes), Strings{"c"});
}

}  // namespace
