#include "directshow/filter_list.h"

#include <algorithm>

#include "directshow/filter_graph_core.h"
#include "directshow/gst_filter.h"

namespace directshow {

namespace {

GstPad* AsPad(void* pad) { return static_cast<GstPad*>(pad); }

// Each object an iterator yields, once; a resync starts the walk again.
template <typename Visit>
void ForEach(GstIterator* iterator, Visit visit) {
    std::vector<GObject*> seen;
    GValue item = G_VALUE_INIT;
    for (bool done = false; !done;) {
        switch (gst_iterator_next(iterator, &item)) {
        case GST_ITERATOR_OK: {
            GObject* object = G_OBJECT(g_value_get_object(&item));
            if (std::find(seen.begin(), seen.end(), object) == seen.end()) {
                seen.push_back(object);
                visit(object);
            }
            g_value_reset(&item);
            break;
        }
        case GST_ITERATOR_RESYNC: gst_iterator_resync(iterator); break;
        default: done = true; break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(iterator);
}

}  // namespace

IPin::IPin(void* gstPad) : pad_(gst_object_ref(AsPad(gstPad))) {}

IPin::~IPin() { gst_object_unref(AsPad(pad_)); }

QString IPin::Name() const {
    gchar* name = gst_pad_get_name(AsPad(pad_));
    const QString out = QString::fromUtf8(name);
    g_free(name);
    return out;
}

PIN_DIRECTION IPin::Direction() const {
    return gst_pad_get_direction(AsPad(pad_)) == GST_PAD_SRC ? PINDIR_OUTPUT : PINDIR_INPUT;
}

bool IPin::IsConnected() const { return gst_pad_is_linked(AsPad(pad_)); }

HRESULT IPin::Disconnect() {
    GstPad* pad = AsPad(pad_);
    GstPad* peer = gst_pad_get_peer(pad);
    if (!peer) return S_FALSE;
    const bool out = gst_pad_get_direction(pad) == GST_PAD_SRC;
    const bool done = out ? gst_pad_unlink(pad, peer) : gst_pad_unlink(peer, pad);
    gst_object_unref(peer);
    return done ? S_OK : E_FAIL;
}

TFilterList::TFilterList(TFilterGraph* graph) {
    if (!graph || !graph->core_) return;
    TFilterGraph::Core* core = graph->core_.get();
    std::vector<FilterPtr> members, waiting;
    {
        std::lock_guard guard(core->lock);
        members = core->members;
        waiting = core->waiting;
    }
    ForEach(gst_bin_iterate_elements(GST_BIN(core->pipeline)), [&](GObject* object) {
        GstElement* element = GST_ELEMENT(object);
        const auto member = std::find_if(members.begin(), members.end(),
                                         [element](const FilterPtr& f) { return f->Element() == element; });
        items_.push_back(member != members.end() ? *member : WrapElement(element));
    });
    for (const FilterPtr& filter : waiting) Add(filter);
}

int TFilterList::Add(const FilterPtr& filter) {
    items_.push_back(filter);
    return Count() - 1;
}

int TFilterList::Remove(const FilterPtr& filter) {
    const auto it = std::find_if(items_.begin(), items_.end(), [&](const FilterPtr& item) {
        return item == filter || (item && filter && item->Element() == filter->Element());
    });
    if (it == items_.end()) return -1;
    const int index = int(it - items_.begin());
    items_.erase(it);
    return index;
}

TPinList::TPinList(FilterPtr filter) : filter_(std::move(filter)) { Update(); }

void TPinList::Update() {
    items_.clear();
    if (!filter_ || !filter_->Element()) return;
    ForEach(gst_element_iterate_pads(filter_->Element()),
            [this](GObject* object) { items_.push_back(std::make_shared<IPin>(object)); });
}

int TPinList::Add(const PinPtr& pin) {
    items_.push_back(pin);
    return Count() - 1;
}

}  // namespace directshow
