#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The meter's end of a pseudo-terminal: tests write what the meter would send into the master
// side and read back what the program wrote to the slave side, which is linked as a COM port.
class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // Makes (or replaces) the link COM<number> in the alias folder, pointing at the slave side.
    void LinkAs(int number) const;
    void Send(const std::vector<std::uint8_t>& bytes) const;
    // Collects what arrives until `count` bytes are there or the wait runs out.
    std::vector<std::uint8_t> Receive(std::size_t count,
                                      std::chrono::milliseconds wait = std::chrono::seconds(10)) const;
    // Whatever has arrived by now, without waiting.
    std::vector<std::uint8_t> ReceiveNow() const;
    // Like pulling the cable: the slave side stops working.
    void Close();

  private:
    int master_ = -1;
    std::string slavePath_;
};
