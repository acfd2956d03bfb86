#include "editor/frame/single_instance.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

#include "tests/view/gui_test_app.h"

namespace sonvara {
namespace {

TEST(SingleInstanceTest, ASecondStartHandsAllItsFilesToTheFirst) {
    testing::GuiApp();
    const QString name = QString("sonvara-test-%1").arg(QCoreApplication::applicationPid());
    EXPECT_FALSE(HandOverToRunningInstance(name, {"/x.wav"}));  // nobody listens yet

    InstanceServer first;
    ASSERT_TRUE(first.Listen(name));
    QSignalSpy handed(&first, &InstanceServer::handedOver);
    const QStringList files = {"/música/x.wav", "/tmp/a b.wav", "/tmp/línea\nnueva.raw"};
    ASSERT_TRUE(HandOverToRunningInstance(name, files));
    ASSERT_TRUE(handed.wait(2000));
    EXPECT_EQ(handed.takeFirst().at(0).toStringList(), files);

    // Without a file the first one is only brought forward.
    ASSERT_TRUE(HandOverToRunningInstance(name, {}));
    ASSERT_TRUE(handed.wait(2000));
    EXPECT_TRUE(handed.takeFirst().at(0).toStringList().isEmpty());

    // A socket left behind by a crashed editor does not keep the next one from listening.
    InstanceServer next;
    EXPECT_TRUE(next.Listen(name));
}

}  // namespace
}  // namespace sonvara
