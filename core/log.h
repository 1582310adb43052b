#pragma once
// The one process-wide log file "log.txt". Every part that logs owns a SimpleLog; all of them
// write into the same file, which the first one opens (emptying it) and the last one closes.
// Line: "YYYY.MM.DD hh:mm:ss.lll " + prefix + text + "\n", flushed at once.

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/tstring.h"
#include "platform/win32/sync.h"
#include "platform/win32/types.h"

// Writes lines into whatever stream and lock a derived class supplies.
class FileLogBase {
  public:
    FileLogBase() = default;

    // The lock held around each line; null: no locking.
    virtual CRITICAL_SECTION* GetLock() { return nullptr; }
    // The stream lines go to; null: lines are dropped.
    virtual FILE* GetFile() = 0;
    // Appends what stands between the stamp and the text.
    virtual void AppendPrefix(std::string&) {}

    // `text` is already in code page 1251.
    void WriteLine(const std::string& text);
    void Log(const TString& text);
    // key + ":\t" + value
    void Log(const TString& key, const TString& value);
    // label + ":\t" + each byte as two upper-case hex digits and a blank.
    void LogBytes(const TString& label, const std::uint8_t* bytes, std::int32_t count);
    // "Error: " + text + " - " + the last error number as it was on entry.
    void LogError(const TString& text);

  protected:
    // Not deleted through a base pointer: SimpleLog's destructor gives up its share of the file.
    ~FileLogBase() = default;
};

// A log of the shared file, optionally named: a named log's lines carry name + ":\t".
class LogBase : public FileLogBase {
  public:
    LogBase() = default;

    CRITICAL_SECTION* GetLock() override;
    FILE* GetFile() override;
    void AppendPrefix(std::string& line) override;
    // Gives up this object's share of the file; the last share writes " Closing logs" and closes it.
    virtual void Release();
    // Runs under the lock while the file closes, before the closing line.
    virtual void OnClose() {}

    // The name in code page 1251; empty switches the prefix off.
    void SetName(const TString& name);

  protected:
    ~LogBase() = default;

  private:
    std::string name;
};

// The log every user instantiates: counted while it lives; opens "log.txt" when no file is open.
class SimpleLog final : public LogBase {
  public:
    SimpleLog();
    ~SimpleLog();
    // A copy would release a share it never took.
    SimpleLog(const SimpleLog&) = delete;
    SimpleLog& operator=(const SimpleLog&) = delete;
};

// text followed by the decimal digits of n.
TString AppendNumber(const TString& text, std::uint32_t n);

// Number of SimpleLog objects alive; changed only with interlocked steps.
extern volatile LONG LogInstanceCount;
// The stream of "log.txt" while it is open, else null.
extern FILE* LogFile;
// Held around each line and the closing; initialised while the file is open.
extern CRITICAL_SECTION LogLock;
