#include "addin/PublishOptions.h"

#include <gtest/gtest.h>

TEST(PublishOptions, AFreshRecordHoldsTheSaveDialogsDefaults)
{
    const PublishOptions options;
    EXPECT_TRUE(options.password.empty());
    EXPECT_EQ(options.resolution, 0);
    EXPECT_EQ(options.option1006, 1);
    EXPECT_EQ(options.option1007, 1);
    EXPECT_EQ(options.usePassword, 0);
    EXPECT_EQ(options.openAfterPublish, 1);
    EXPECT_EQ(options.drawingMode, 1);
}

TEST(PublishOptions, APasswordOnlyProtectsWhileUsePasswordIsSet)
{
    PublishOptions options;
    options.password = u"s3cret";
    EXPECT_EQ(options.packagePassword(), u"") << "a password left behind a cleared box is not used";
    options.usePassword = 1;
    EXPECT_EQ(options.packagePassword(), u"s3cret");
    options.password.clear();
    EXPECT_EQ(options.packagePassword(), u"");
}
