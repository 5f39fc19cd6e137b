#include "tools/object_pipe.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace dtaus::tool {
namespace {

InputObject Numbered(std::size_t n) {
  InputObject object;
  object.values.push_back({"Name", std::to_string(n), ""});
  return object;
}

// Objects arrive in the order they were put, across many batches, each exactly once;
// a refusal stops the taking at once and the reading soon after; an exception of the
// taker reaches the reader.
TEST(ObjectPipeTest, TakesInOrderAndStopsAtTheFirstRefusal) {
  struct Case {
    const char* what;
    std::size_t objects;
    std::size_t refuse_at;  // objects: none refused
    bool throws;
  };
  const Case cases[] = {
      {"none", 0, 0, false},
      {"one", 1, 1, false},
      {"many batches", 1000, 1000, false},
      {"refused in the middle", 1000, 300, false},
      {"refused first", 10, 0, false},
      {"taker throws", 1000, 500, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> taken;
    ObjectPipe pipe([&](InputObject& object) {
      if (taken.size() == c.refuse_at) {
        if (c.throws) throw std::runtime_error("taker failed");
        return false;
      }
      taken.push_back(object.values.at(0).value);
      return true;
    });
    std::size_t put = 0;
    for (; put < c.objects; ++put) {
      InputObject object = Numbered(put);
      if (!pipe.Put(object)) break;
    }
    bool finished = false;
    std::string thrown;
    try {
      finished = pipe.Finish();
    } catch (const std::runtime_error& e) {
      thrown = e.what();
    }
    const bool refused = c.refuse_at < c.objects;
    EXPECT_EQ(finished, !refused);
    EXPECT_EQ(thrown, c.throws ? "taker failed" : "");
    ASSERT_EQ(taken.size(), std::min(c.objects, c.refuse_at));
    for (std::size_t i = 0; i < taken.size(); ++i) ASSERT_EQ(taken[i], std::to_string(i));
    if (!refused) {
      EXPECT_EQ(put, c.objects);
    }
  }
}

// A pipe dropped while objects are queued stops without taking them all and without
// hanging; the objects handed back to the reader are ones put before, or empty.
TEST(ObjectPipeTest, StopsWhenDroppedAndHandsBackObjects) {
  std::size_t taken = 0;
  {
    ObjectPipe pipe([&](InputObject&) {
      ++taken;
      return true;
    });
    for (std::size_t i = 0; i < 500; ++i) {
      InputObject object = Numbered(i);
      ASSERT_TRUE(pipe.Put(object));
      ASSERT_TRUE(object.values.empty() || std::stoul(object.values.at(0).value) < i);
    }
  }
  EXPECT_LE(taken, 500u);
}

}  // namespace
}  // namespace dtaus::tool
