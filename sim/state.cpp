#include "state.h"

namespace tamsor::sim {

SimState::SimState() : random(std::random_device{}()) {
    for (const auto& demo : Simulator::demo_accounts()) {
        accounts.push_back(Account{demo.name, demo.password, 0, "", 0, "", {}});
    }
    // Profiles of the demo accounts, in the order Simulator::demo_accounts() lists them.
    accounts[0].id = 10086;
    accounts[0].level = "新手上路";
    accounts[0].balance = 123;
    accounts[1].id = 20481;
    accounts[1].level = "骨灰玩家";
    accounts[1].balance = 8848;
}

std::string SimState::token(size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(length, '0');
    for (char& c : out) {
        c = kDigits[random() % 16];
    }
    return out;
}

}  // namespace tamsor::sim
