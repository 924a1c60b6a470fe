// Open and close of one controller record through two handles.
#include "jsc/controller_handle.h"
#include "jsc_fixture.h"

namespace jsctest {
namespace {

using kst::jsc::controllerOf;
using kst::jsc::SharedController;

class SharedOpen : public JscTest {};

TEST_F(SharedOpen, TheSecondOpenerAndTheFirstCloserSendNothingAndOpenedHandlesStay) {
  attach();
  auto a = session();
  auto b = session();
  ASSERT_EQ(a->start(), 0);
  EXPECT_TRUE(a->firstOpener());
  const SharedController* shared = controllerOf(a->handle());
  const std::size_t afterFirst = packets().size();
  ASSERT_EQ(b->start(), 0);
  EXPECT_FALSE(b->firstOpener());
  EXPECT_EQ(shared->chain.openCount, 2u);
  EXPECT_EQ(packets().size(), afterFirst);
  JscHandle* opened = b->handle();
  EXPECT_EQ(JSC_DeleteHandle(&opened), -116) << "an opened handle is refused at delete";
  EXPECT_EQ(opened, b->handle()) << "and stays";

  uint8_t last = 9;
  const auto close = a->operation<JSC_CloseControllerFn>(JSC_SLOT_CLOSE_CONTROLLER);
  EXPECT_EQ(close(a->handle(), &last), 0);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(packets().size(), afterFirst);
  EXPECT_EQ(close(a->handle(), &last), -116) << "closed already";
  EXPECT_EQ(close(b->handle(), &last), 0);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(ksim::resources().handles, 0) << "the last closer closed the probe";
  EXPECT_EQ(shared->chain.probe, nullptr);
}

}  // namespace
}  // namespace jsctest
