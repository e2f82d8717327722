#pragma once

#include <array>
#include <cstdint>

#include "idct/aan.h"
#include "idct/aan2.h"
#include "idct/feig_winograd.h"
#include "idct/quant_tables.h"

// One object of each transform class built for a natural-order quantisation
// table, the way the decode driver builds them.
struct IdctFamilies {
    ifwi feigWinograd;
    taanidct aan;
    taanidct2 aan2;

    explicit IdctFamilies(const QuantTable& table) {
        QuantTable m = table;
        m[0] = 1;  // the DC term arrives dequantised
        feigWinograd.setTable(m.data());
        aan2.setTable(m.data());
        // Real tables (at most 65535) fit easily; the tests' absurd ones wrap.
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 8; ++j)
                aan.matrix[j][i] = static_cast<int32_t>(static_cast<uint32_t>(m[8 * i + j]) *
                                                        static_cast<uint32_t>(aan.scale[i]));
    }

    struct Named {
        const char* name;
        tidct* transform;
    };
    std::array<Named, 3> all() {
        return {{{"ifwi", &feigWinograd}, {"taanidct", &aan}, {"taanidct2", &aan2}}};
    }
};
