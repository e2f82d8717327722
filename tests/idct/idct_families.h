#pragma once

#include <array>
#include <cstdint>

#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "idct/lanes.h"
#include "idct/quant_tables.h"

// One object of each transform class built for a natural-order quantisation
// table, the way the decode driver builds them.
struct IdctFamilies {
    ifwi feigWinograd;
    taanidct aan;
    taanidct2 aan2;

    explicit IdctFamilies(const QuantTable& table)
    {
        QuantTable m = table;
        m[0] = 1;  // the DC term arrives dequantised
        feigWinograd.setTable(m.data());
        aan.setTable(m.data());
        aan2.setTable(m.data());
    }

    struct Named {
        const char* name;
        tidct* transform;
    };
    std::array<Named, 3> all() { return {{{"ifwi", &feigWinograd}, {"taanidct", &aan}, {"taanidct2", &aan2}}}; }
};

// Selects the lane width for one scope.
class LaneWidth {
public:
    explicit LaneWidth(bool wide) { lanes::wide = wide; }
    ~LaneWidth() { lanes::wide = saved_; }

private:
    bool saved_ = lanes::wide;
};
