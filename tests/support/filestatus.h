#pragma once

// The file system's record of a file (owner, mode, inode, links), for the tests of
// what a save keeps.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace Kernwick::Test {

/// stat() of `path`; a failure fails the test and gives an empty record.
inline struct stat statOf(const QString &path)
{
    struct stat info = {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

} // namespace Kernwick::Test
