// What a change under the root means for the main list: the scan's rules applied to one
// folder at a time.
#include "catalogue/LiveCatalogue.h"

#include <gtest/gtest.h>

using catalogue::FollowRules;

TEST(FollowRules, FoldersBelowTheRootThatAreNotHidden)
{
    FollowRules rules{"/work", {}, true};
    EXPECT_FALSE(rules.listsFolder("/work")); // the root's own files are not listed
    EXPECT_TRUE(rules.listsFolder("/work/a"));
    EXPECT_TRUE(rules.listsFolder("/work/a/Delphi 7.0/src"));
    EXPECT_FALSE(rules.listsFolder("/work/.git"));
    EXPECT_FALSE(rules.listsFolder("/work/a/.backup/b"));
    EXPECT_FALSE(rules.listsFolder("/workshop/a")); // a prefix of the text is no folder below
    EXPECT_FALSE(rules.listsFolder("/elsewhere/a"));

    FollowRules top{"/", {}, true};
    EXPECT_FALSE(top.listsFolder("/"));
    EXPECT_TRUE(top.listsFolder("/x"));
}

TEST(FollowRules, OneRowPerProjectByTheScansMasksAndExclusions)
{
    FollowRules rules{"/work", {{"/work/old", ""}, true}, true};
    const QStringList names{"A.dpr", "B.DPR", "C.lpi", "A.lpi", "a.lpi", "notes.txt", "D.dpr.bak", "x.LPI"};
    // X.lpi beside X.dpr is the same project, listed by its .dpr (the base name's case counts).
    EXPECT_EQ(rules.projectsIn("/work/a", names), (QStringList{"A.dpr", "B.DPR", "C.lpi", "a.lpi", "x.LPI"}));
    // Lazarus projects off: only the Delphi ones.
    rules.lazarus = false;
    EXPECT_EQ(rules.projectsIn("/work/a", names), (QStringList{"A.dpr", "B.DPR"}));
    // An exclusion is a text anywhere in the path: it leaves out /work/older too.
    EXPECT_TRUE(rules.projectsIn("/work/old", {"A.dpr"}).isEmpty());
    EXPECT_TRUE(rules.projectsIn("/work/older", {"A.dpr"}).isEmpty());
    EXPECT_EQ(rules.projectsIn("/work/new", {"A.dpr"}), QStringList{"A.dpr"});
    // Inactive exclusions leave nothing out.
    rules.exclusions.active = false;
    EXPECT_EQ(rules.projectsIn("/work/old", {"A.dpr"}), QStringList{"A.dpr"});
}
