#pragma once
// Connections handed to one transaction at a time: at most `limit` exist,
// made when needed, kept for the next transaction, and dropped when their
// transaction found them broken.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace board {

template <class Connection>
class ConnectionPool {
 public:
  ConnectionPool(int limit, std::function<std::unique_ptr<Connection>()> open)
      : limit_(limit), open_(std::move(open)) {}

  // A connection until the lease ends; Broken() drops it instead.
  class Lease {
   public:
    Lease(ConnectionPool& pool, std::unique_ptr<Connection> c) : pool_(pool), c_(std::move(c)) {}
    ~Lease() { pool_.Return(std::move(c_), broken_); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Connection& operator*() { return *c_; }
    Connection* operator->() { return c_.get(); }
    void Broken() { broken_ = true; }

   private:
    ConnectionPool& pool_;
    std::unique_ptr<Connection> c_;
    bool broken_ = false;
  };

  // Waits for a free connection, or opens one (which may throw).
  Lease Acquire() {
    std::unique_lock lock(mutex_);
    free_.wait(lock, [&] { return !idle_.empty() || open_count_ < limit_; });
    if (!idle_.empty()) {
      std::unique_ptr<Connection> c = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(c));
    }
    ++open_count_;
    lock.unlock();
    try {
      return Lease(*this, open_());
    } catch (...) {
      Return(nullptr, true);
      throw;
    }
  }

 private:
  void Return(std::unique_ptr<Connection> c, bool broken) {
    {
      std::lock_guard lock(mutex_);
      if (broken || !c) --open_count_;
      else idle_.push_back(std::move(c));
    }
    free_.notify_one();
  }

  const int limit_;
  std::function<std::unique_ptr<Connection>()> open_;
  std::mutex mutex_;
  std::condition_variable free_;
  std::vector<std::unique_ptr<Connection>> idle_;
  int open_count_ = 0;
};

}  // namespace board
