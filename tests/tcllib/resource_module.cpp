// A module whose only content is the resource the build embeds in it.
