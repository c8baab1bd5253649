#include "fxruntime/UnsupportedConstructs.h"

void RefuseUnsupportedConstructs(EffectTokens& t)
{
    for (std::size_t k = 0; k < t.Size(); ++k) {
        if (t.Is(k, "numthreads") && k > 0 && t.Is(k - 1, "[")) {
            std::size_t counts = 0;
            if (t.Is(k + 1, "(")) {
                const std::size_t close = t.Match(k + 1);
                bool empty = true;
                for (std::size_t j = k + 2; j < close && j < t.Size(); ++j) {
                    if (t.Is(j, ",")) {
                        counts += empty ? 0 : 1;
                        empty = true;
                    } else {
                        empty = false;
                    }
                }
                counts += empty ? 0 : 1;
            }
            if (counts != 3)
                t.Error(t.At(k), "[numthreads] takes three thread counts, [numthreads(X, Y, Z)]");
        } else if ((t.Is(k, "GetRenderTargetSampleCount") || t.Is(k, "GetRenderTargetSamplePosition")) &&
                   t.Is(k + 1, "(")) {
            t.Error(t.At(k), "'" + t.Text(k) +
                                 "' is not supported: the compiled code does not know the render target's samples");
        } else if (t.Is(k, "msad4") && t.Is(k + 1, "(")) {
            t.Error(t.At(k), "'msad4' is not supported");
        }
    }
}
