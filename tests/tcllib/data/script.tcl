set greeting "from a resource"
set answer 42
