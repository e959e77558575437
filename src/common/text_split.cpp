#include "common/text_split.h"

std::vector<std::string> SplitAtCR(std::string_view text)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t cr = text.find('\r', start);
        const std::string_view piece = text.substr(start, cr == std::string_view::npos ? cr : cr - start);
        if (!piece.empty() && piece != "\r" && piece != "\n")
            pieces.emplace_back(piece);
        if (cr == std::string_view::npos)
            return pieces;
        start = cr + 1;
    }
}
