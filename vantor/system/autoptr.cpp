#include "vantor/system/autoptr.h"

#include <mutex>

#include "vantor/system/exceptions.h"

namespace VantorSystem::AutoPtrRegistry {
namespace {

struct Entry {
  const void* address;
  uint32_t count;
  Entry* next;
  Entry* prev;
};

// Zero-filled before any code runs and never freed: entries still listed at
// program end stay, and their objects are not deleted.
Entry* g_chains[kChains];
// The sequencer and streaming threads never reach the registry, but a
// program may drive a component from a thread of its own.
std::mutex g_mutex;

Entry* Find(const void* address) {
  for (Entry* e = g_chains[ChainOf(address)]; e; e = e->next)
    if (e->address == address) return e;
  return nullptr;
}

}  // namespace

void Acquire(const void* address) {
  std::lock_guard lock(g_mutex);
  if (Entry* e = Find(address)) {
    ++e->count;
    return;
  }
  Entry*& head = g_chains[ChainOf(address)];
  Entry* e = new Entry{address, 1, head, nullptr};
  if (head) head->prev = e;
  head = e;
}

bool Release(const void* address) {
  if (!address) return false;
  std::lock_guard lock(g_mutex);
  Entry* e = Find(address);
  if (!e) throw EVnAutoPtr(VN_TEXT("リストされていないポインタが検出されました。"));
  if (--e->count > 0) return false;
  if (e->prev) e->prev->next = e->next;
  else g_chains[ChainOf(address)] = e->next;
  if (e->next) e->next->prev = e->prev;
  delete e;
  return true;
}

uint32_t Count(const void* address) {
  std::lock_guard lock(g_mutex);
  Entry* e = Find(address);
  return e ? e->count : 0;
}

}  // namespace VantorSystem::AutoPtrRegistry
