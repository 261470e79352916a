#pragma once

#include <QString>

// While it lives, SIGTERM, SIGINT and SIGHUP remove the working file, and the parts of a
// document drawn in parts, before the program ends as the signal would have ended it. One at a
// time: the program writes one document at once.
class WorkingFileGuard
{
public:
    explicit WorkingFileGuard(const QString &path);
    ~WorkingFileGuard();
    // The name of the document's part number (from 1), beside the working file: "name-2.ext"
    // for "name.ext".
    static QString partPath(const QString &path, int part);
    // Parts 1 to count may exist and are removed with the working file.
    void setPartCount(int count);
    WorkingFileGuard(const WorkingFileGuard &) = delete;
    WorkingFileGuard &operator=(const WorkingFileGuard &) = delete;
};
