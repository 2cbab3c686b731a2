// Map component.
