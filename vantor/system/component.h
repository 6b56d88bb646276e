#pragma once
// TComponent: the framework's base of components and forms. A component has
// an owner; a windowed control (a form) has a window.
namespace platform {
class Window;
}

class TComponent {
 public:
  explicit TComponent(TComponent* owner) : owner_(owner) {}
  virtual ~TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  // The window of a windowed control; null for other components.
  virtual platform::Window* WindowHandle() const { return nullptr; }

 private:
  TComponent* owner_;
};
