// Test entry: a QApplication on the offscreen platform, then GoogleTest.

#include <QApplication>
#include <gtest/gtest.h>

namespace {
void setDefault(const char* name, const char* value) {
    if (qEnvironmentVariableIsEmpty(name))
        qputenv(name, value);
}
} // namespace

int main(int argc, char* argv[]) {
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("PALOMEX_SOURCE_DIR", PALOMEX_DEFAULT_SOURCE_DIR);
    setDefault("PALOMEX_TESTDATA", PALOMEX_DEFAULT_TESTDATA);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
