#include <gtest/gtest.h>

#include "sim/board.h"
#include "sim/page_render.h"

namespace {

TEST(Page, DefaultBoardShowsEveryFact) {
  sim::SimulatedBoard board;
  ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
  const sim::PageBuild page = board.Page();
  ASSERT_TRUE(page.page) << page.error;
  std::printf("%s\n", sim::RenderPageText(*page.page).c_str());
  EXPECT_TRUE(board.Problems().empty());
}

}  // namespace
