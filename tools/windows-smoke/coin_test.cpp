// Coin's DLL loads and computes under Wine as on Linux: exact figures that need no rounding.
#include <Inventor/SbLinear.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoSeparator.h>

#include <gtest/gtest.h>

TEST(CoinOnWindows, CrossProductIsExact) {
  EXPECT_EQ(SbVec3f(1, 0, 0).cross(SbVec3f(0, 1, 0)), SbVec3f(0, 0, 1));
  EXPECT_EQ(SbVec3f(2, 3, 4).cross(SbVec3f(5, 6, 7)), SbVec3f(-3, 6, -3));
}

TEST(CoinOnWindows, ReadsAnInventorSceneFromMemory) {
  SoDB::init();
  static const char scene[] = "#Inventor V2.1 ascii\nSeparator { Cube { width 3 } }\n";
  SoInput input;
  input.setBuffer(scene, sizeof scene - 1);
  SoSeparator* root = SoDB::readAll(&input);
  ASSERT_NE(root, nullptr);
  root->ref();
  ASSERT_EQ(root->getNumChildren(), 1);
  ASSERT_TRUE(root->getChild(0)->isOfType(SoCube::getClassTypeId()));
  EXPECT_EQ(static_cast<SoCube*>(root->getChild(0))->width.getValue(), 3.0f);
  root->unref();
}
