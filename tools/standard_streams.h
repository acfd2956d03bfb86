#pragma once
// Files named "-" on sonvara-batch's command line: standard input and standard output, in the
// format that --type names. The readers and writers work on files (a WAV or AIFF header holds
// sizes that are known only at the end, and is written last), so standard input is first copied
// into a private temporary folder, and an output is written there whole and then sent to
// standard output: what goes out is the same file, sizes included, that a named output gets.

#include <optional>
#include <string>

namespace sonvara {

class StandardStreams {
  public:
    StandardStreams() = default;
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;
    // Removes the folder if Remove() was not called (a path that returned early).
    ~StandardStreams();

    // The file holding all of standard input, named "stdin.EXT"; nothing, with the reason in
    // `problem`, when it cannot be made.
    std::optional<std::string> Input(const std::string& extension, std::string& problem);
    // Where an output for standard output is written ("stdout.EXT"); nothing when the folder
    // cannot be made.
    std::optional<std::string> Output(const std::string& extension, std::string& problem);
    // Sends the finished output to standard output; false with the reason when it cannot.
    bool Send(const std::string& path, std::string& problem);
    // Removes the folder and what it holds.
    void Remove();

  private:
    bool MakeFolder(std::string& problem);

    std::string folder_;
};

// The extension "--type EXT" names (".wav" for "wav" or ".wav"); nothing for a type no reader or
// writer has.
std::optional<std::string> StreamTypeExtension(const std::string& type);

}  // namespace sonvara
