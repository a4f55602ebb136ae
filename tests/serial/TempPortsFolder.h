#pragma once

#include <string>

// A private alias folder for one test: TQ36_PORTS_DIR points at it while the object lives, so
// COM links made by a test never meet those of another test or of the user.
class TempPortsFolder {
  public:
    TempPortsFolder();
    ~TempPortsFolder();
    TempPortsFolder(const TempPortsFolder&) = delete;
    TempPortsFolder& operator=(const TempPortsFolder&) = delete;

    const std::string& Path() const { return path_; }
    // A COM<number> link to a device that does not exist.
    void LinkMissing(int number) const;

  private:
    std::string path_;
};
