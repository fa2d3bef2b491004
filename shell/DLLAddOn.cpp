// Hand-over of the application and screen objects between host and add-on.
