#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "orb/wire/mtxobj.h"

class MtxRecord;

// The answer of "findElementTree": element rows written as the MtxTree of
// ElementObj nodes that the client reads, byte for byte, but straight from
// the rows, so that a large inventory is never built as a tree of objects.
class ElementTreeReply : public MtxObj
{
public:
    // The tree starts at rows[top]; below each row come the rows whose PID is
    // its ID, in row order, each row at most once (a loop or a repeated ID
    // places nothing twice). Rows at a level beyond maxLevel (top is level 0)
    // are written without their children.
    ElementTreeReply(std::vector<std::unique_ptr<MtxRecord>> rows, std::size_t top, int maxLevel);
    ~ElementTreeReply() override;

    const char *getTypeName() const override;
    const char *getElementName() const override;
    int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const override;

private:
    // A generous guess of the text's length, so that it is written into one
    // buffer instead of being copied each time the buffer grows.
    std::size_t estimatedLength() const;

    std::vector<std::unique_ptr<MtxRecord>> m_rows;
    std::size_t m_top;
    int m_maxLevel;
    struct Link
    {
        std::size_t parentHash; // of the row's PID
        std::size_t row;
    };
    struct HashOrder
    {
        bool operator()(const Link &link, std::size_t hash) const { return link.parentHash < hash; }
        bool operator()(std::size_t hash, const Link &link) const { return hash < link.parentHash; }
    };
    std::vector<Link> m_links;
};
