// Replays every input kept in tests/fuzz-regressions/<target>/ through the same
// body its fuzz target runs (fuzz/FuzzBodies.h), in the normal build. Each one
// once crashed or broke an invariant; a body aborts when an invariant fails,
// so a regression fails this test.

#include "../../fuzz/FuzzBodies.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace
{

struct Replay {
    QString target;
    QString file;
};

void PrintTo(const Replay &r, std::ostream *os)
{
    *os << r.target.toStdString() << "/" << r.file.toStdString();
}

QString regressionsDir()
{
    return QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral("../fuzz-regressions"));
}

QList<Replay> allReplays()
{
    QList<Replay> replays;
    for (const QString &target :
         {QStringLiteral("pdf"), QStringLiteral("settings"), QStringLiteral("importlist")})
        for (const QString &file : QDir(regressionsDir() + "/" + target).entryList(QDir::Files, QDir::Name))
            replays << Replay{target, file};
    return replays;
}

class FuzzRegression : public ::testing::TestWithParam<Replay>
{
};

TEST_P(FuzzRegression, inputThatOnceFailed_nowPassesItsTarget)
{
    const Replay r = GetParam();
    const QByteArray input = testsupport::readFile(regressionsDir() + "/" + r.target + "/" + r.file);
    const auto *data = reinterpret_cast<const uint8_t *>(input.constData());
    const auto size = static_cast<size_t>(input.size());
    if (r.target == "pdf")
        lockleaf::fuzz::fuzzPdf(data, size);
    else if (r.target == "settings")
        lockleaf::fuzz::fuzzSettings(data, size);
    else
        lockleaf::fuzz::fuzzImportList(data, size);
    SUCCEED() << "replayed " << input.size() << " bytes";
}

std::string replayName(const ::testing::TestParamInfo<Replay> &info)
{
    std::string name = (info.param.target + "_" + info.param.file).toStdString();
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzRegression, ::testing::ValuesIn(allReplays()), replayName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzRegression);

} // namespace
