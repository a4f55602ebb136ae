#pragma once

#include <optional>
#include <string>

// A private alias folder for one test: created empty, named in TQ36_PORTS_DIR while this object lives,
// then removed with everything in it and the variable set back to what it was. Its subfolder
// "by-id" stands in for /dev/serial/by-id (TQ36_SERIAL_BY_ID_DIR), so that no test sees the
// adapters plugged into the machine it runs on.
class TempPortsDir {
  public:
    TempPortsDir();
    ~TempPortsDir();
    TempPortsDir(const TempPortsDir&) = delete;
    TempPortsDir& operator=(const TempPortsDir&) = delete;

    const std::string& Path() const { return path_; }
    // A COM<number> link to a device that does not exist (replacing any link of that name).
    void LinkMissing(int number) const;
    // A link `name` in the by-id stand-in pointing at `device` (replacing any link of that name).
    void LinkById(const std::string& name, const std::string& device) const;

  private:
    std::string path_;
    std::optional<std::string> previous_;
    std::optional<std::string> previousById_;
};
