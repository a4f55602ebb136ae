#include "stats/StatisticsState.h"

StatisticsState& StatisticsState::Instance() {
    static StatisticsState state;
    return state;
}
