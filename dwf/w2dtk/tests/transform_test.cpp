// The output transform applied to points.
#include "dwf/w2dtk/transform.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Transform, Rotations)
{
    WT_Transform t;
    t.m_translate_x = 10;
    t.m_translate_y = -5;
    t.m_x_scale = 2.0;
    t.m_y_scale = 0.5;
    WT_Logical_Point const p(3, 9);
    WT_Logical_Point r;
    bool clamped = true;
    ASSERT_EQ(wt_transform_point(p, t, r, &clamped), WT_Result_Success);
    EXPECT_EQ(r, WT_Logical_Point(16, -0)); // 9 × 0.5 − 5 = −0.5 truncates toward zero
    EXPECT_FALSE(clamped);
    t.m_rotation = 90;
    ASSERT_EQ(wt_transform_point(p, t, r), WT_Result_Success);
    EXPECT_EQ(r, WT_Logical_Point(2147483647, 16));
    t.m_rotation = 180;
    ASSERT_EQ(wt_transform_point(p, t, r), WT_Result_Success);
    EXPECT_EQ(r, WT_Logical_Point(2147483647 - 16, 2147483647));
    t.m_rotation = 270;
    ASSERT_EQ(wt_transform_point(p, t, r), WT_Result_Success);
    EXPECT_EQ(r, WT_Logical_Point(0, 2147483647 - 16));
    t.m_rotation = 45;
    EXPECT_EQ(wt_transform_point(p, t, r), WT_Result_Not_Available);
}

TEST(Transform, Out_Of_Range_Values_Are_Clamped_And_Reported)
{
    WT_Transform t;
    t.m_x_scale = 1e12;
    WT_Logical_Point r;
    bool clamped = false;
    ASSERT_EQ(wt_transform_point(WT_Logical_Point(-5, 7), t, r, &clamped), WT_Result_Success);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(r, WT_Logical_Point(-2147483647 - 1, 7));

    // 2147483647 − Y overflows for negative Y.
    WT_Transform rotate;
    rotate.m_rotation = 90;
    ASSERT_EQ(wt_transform_point(WT_Logical_Point(0, -10), rotate, r, &clamped), WT_Result_Success);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(r.m_x, 2147483647);

    WT_Transform nan;
    nan.m_y_scale = std::nan("");
    ASSERT_EQ(wt_transform_point(WT_Logical_Point(1, 1), nan, r, &clamped), WT_Result_Success);
    EXPECT_TRUE(clamped);
}
