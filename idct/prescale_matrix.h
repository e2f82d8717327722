#pragma once

#include <cstdint>

// The prescale factors d0 = sqrt(2)/4 and dk = 1 / (4 cos(k pi/16)) turn
// the scaled 1-D butterfly networks into the JPEG inverse DCT
// (ITU-T T.81, A.3.3). buildPrescaleMatrix folds them with the quantisation
// values into one multiplier per coefficient:
//   matrix[8i + j] = trunc(scale * d_i * m[8i + j] * d_j),
// where m holds the quantisation values in natural order (m[0] = 1, as the
// DC term arrives dequantised) and pi is the value the angles are formed
// from. taanidct2 and ifwi share it, so one table gives both the same matrix;
// taanidct keeps the two factors apart (aan.h).
void buildPrescaleMatrix(const int32_t* m, double pi, double scale, int32_t* matrix);
