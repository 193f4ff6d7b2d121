#include <gtest/gtest.h>

#include "c4d.h"

TEST(BaseContainer, ReadersReturnTheDefaultWhenAbsentOrOfAnotherKind) {
  BaseContainer bc;
  EXPECT_EQ(bc.GetLong(1, 7), 7);
  EXPECT_FLOAT_EQ(bc.GetReal(1, 2.2f), 2.2f);
  EXPECT_EQ(bc.GetString(1, "none"), String("none"));
  bc.SetString(1, "text");
  EXPECT_EQ(bc.GetLong(1, 7), 7);
  EXPECT_EQ(bc.GetVector(1, Vector(1, 2, 3)), Vector(1, 2, 3));
}

TEST(BaseContainer, NumbersConvertBetweenLongAndReal) {
  BaseContainer bc;
  bc.SetReal(1353, 60.7f);  // a number stored as a Real and read as a LONG is truncated
  EXPECT_EQ(bc.GetLong(1353), 60);
  bc.SetLong(5, 3);
  EXPECT_FLOAT_EQ(bc.GetReal(5), 3.0f);
  bc.SetReal(7, 1e20f);  // out of range saturates
  EXPECT_EQ(bc.GetLong(7), INT32_MAX);
  bc.SetBool(6, TRUE);
  EXPECT_EQ(bc.GetLong(6), 1);
  EXPECT_TRUE(bc.GetBool(6));
}

TEST(BaseContainer, SubContainersAreCopiedByValue) {
  BaseContainer inner;
  inner.SetLong(1, 10);
  BaseContainer bc;
  bc.SetContainer(100, inner);
  inner.SetLong(1, 20);
  EXPECT_EQ(bc.GetContainer(100).GetLong(1), 10);
  bc.GetContainerInstance(100)->SetLong(1, 30);
  BaseContainer copy = bc;
  bc.GetContainerInstance(100)->SetLong(1, 40);
  EXPECT_EQ(copy.GetContainer(100).GetLong(1), 30);
  EXPECT_EQ(copy.GetIndexId(0), 100);
  EXPECT_EQ(copy.GetIndexId(1), NOTOK);
}

TEST(BaseContainer, LinksResolveOnlyWhileTheTargetLivesInTheGivenDocument) {
  BaseDocument* doc = BaseDocument::Alloc();
  BaseDocument* other = BaseDocument::Alloc();
  BaseObject* cube = BaseObject::Alloc(Ocube);
  doc->InsertObject(cube, nullptr, nullptr);
  BaseContainer bc;
  bc.SetLink(1, cube);
  EXPECT_EQ(bc.GetObjectLink(1, doc), cube);
  EXPECT_EQ(bc.GetObjectLink(1, other), nullptr);
  BaseObject::Free(cube);
  EXPECT_EQ(bc.GetLink(1, nullptr), nullptr);
  BaseDocument::Free(doc);
  BaseDocument::Free(other);
}
